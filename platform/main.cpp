// Placeholder entry until the window layer provides WinMain's caller.
int main() { return 0; }
