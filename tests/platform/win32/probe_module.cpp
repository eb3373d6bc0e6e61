// Exports plain C entry points, as the outside modules do.
extern "C" {
__attribute__((visibility("default"))) int probe_answer() { return 42; }
__attribute__((visibility("default"))) int probe_add(int a, int b) { return a + b; }
}
