// Linked with every object of the core and the save library and nothing
// else: that it links at all is the check.
int main() { return 0; }
