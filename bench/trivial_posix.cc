// The start of a program that does nothing, built like pomvarin: the floor
// that a typical run of the launcher is compared with.
int main() { return 0; }
