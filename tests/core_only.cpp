// Linked with every object of the core, the save and the design library and nothing
// else: that it links at all is the check.
int main() { return 0; }
