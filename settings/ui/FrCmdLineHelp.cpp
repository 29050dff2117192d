#include "settings/ui/FrCmdLineHelp.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/ui/ProgramIcon.h"
#include "platform/ui/QtText.h"
#include "controls/ui/Icons.h"

namespace tansa2 {
namespace {

constexpr int kClientWidth = 315;
constexpr int kClientHeight = 210;
constexpr int kEditorColumnWidth = 110;

struct TPreset {
  const char* editor;
  const char* cmdLine;
  const char* program;  // whose desktop icon the row shows; null: the editor image
};

const TPreset kPresets[] = {
    {"秀丸エディタ", "/j%L %F", nullptr},
    {"EｍEditor", "/l %L %F", nullptr},
    {"K2Editor", "/j%L %F", nullptr},
    {"TeraPad", "/j=%L %F", nullptr},
    {"KyEditor", "%F/%L/%S", nullptr},
    {"gedit", "+%L %F", "gedit"},
    {"Kate", "--line %L %F", "kate"},
    {"Visual Studio Code", "-g %F:%L", "code"},
    {"Vim", "+%L %F", "gvim"},
    {"Emacs", "+%L %F", "emacs"},
};

}  // namespace

TFormCmdLineHelp::TFormCmdLineHelp(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TFormCmdLineHelp"));
  setWindowTitle(QStringLiteral("エディタの起動パラメータについて"));
  if (parent) setFont(parent->font());
  setFixedSize(kClientWidth, kClientHeight);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("起動オプションには次のキーワードが指定できます。"), this));
  auto* keywords = new QGridLayout;
  keywords->setContentsMargins(12, 0, 0, 0);
  keywords->setColumnStretch(1, 1);
  keywords->addWidget(new QLabel(QStringLiteral("%F"), this), 0, 0);
  keywords->addWidget(new QLabel(QStringLiteral("ファイル名。"), this), 0, 1);
  keywords->addWidget(new QLabel(QStringLiteral("%L"), this), 1, 0);
  keywords->addWidget(new QLabel(QStringLiteral("行番号。"), this), 1, 1);
  layout->addLayout(keywords);

  ListViewEditor = new QTreeWidget(this);
  ListViewEditor->setObjectName(QStringLiteral("ListViewEditor"));
  ListViewEditor->setRootIsDecorated(false);
  ListViewEditor->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListViewEditor->setSelectionMode(QAbstractItemView::SingleSelection);
  ListViewEditor->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListViewEditor->setIconSize(QSize(16, 16));
  ListViewEditor->setHeaderLabels({QStringLiteral("エディタ"), QStringLiteral("起動パラメータ")});
  ListViewEditor->header()->setSectionsClickable(false);
  ListViewEditor->header()->setSectionsMovable(false);
  ListViewEditor->header()->setStretchLastSection(true);
  ListViewEditor->setColumnWidth(0, kEditorColumnWidth);
  // The chosen row stays marked while the focus is elsewhere.
  QPalette palette = ListViewEditor->palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  ListViewEditor->setPalette(palette);
  for (const TPreset& preset : kPresets) {
    auto* item = new QTreeWidgetItem(ListViewEditor, {QString::fromUtf8(preset.editor),
                                                      QString::fromUtf8(preset.cmdLine)});
    const QIcon icon = preset.program ? platform::ProgramIcon(preset.program) : QIcon();
    item->setIcon(0, icon.isNull() ? CommandIcon(ciEditor) : icon);
  }
  layout->addWidget(ListViewEditor, 1);

  // Only a double-click on a row chooses; one on the empty part of the list
  // leaves the window open.
  connect(ListViewEditor, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    cmdLine_ = platform::FromQString(item->text(1));
    accept();
  });
}

}  // namespace tansa2
