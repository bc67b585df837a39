// Entry point of the program "tarrowind".
int main() { return 0; }
