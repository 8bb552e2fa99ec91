// Entry point of the velkarn executable.
int main() { return 0; }
