// Linked with the whole of one widget library and the libraries it names
// (tests/CMakeLists.txt): every symbol the library uses must come from a
// floor at or below its own.
int main() { return 0; }
