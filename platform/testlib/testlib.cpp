// Loaded by the platform tests through SharedLibrary.
extern "C" int vx_test_answer(int x) { return x * 2 + 1; }
