// A library under Quorvel's name that lacks its exports.
extern "C" int vx_test_unrelated() { return 7; }
