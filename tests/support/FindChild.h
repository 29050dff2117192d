#pragma once
// A named child of a window, as tests look up the controls they drive; a
// missing one fails the test and gives null.
#include <gtest/gtest.h>

#include <QObject>
#include <QString>

namespace tansa2::testing {

template <class T>
T* FindChild(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

}  // namespace tansa2::testing
