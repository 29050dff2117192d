// tansa2: the window.
#include "session/ui/RunWindow.h"

int main(int argc, char** argv) { return tansa2::RunWindow(argc, argv); }
