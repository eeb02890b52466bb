namespace tonvexa_test_placeholder { int unused = 0; }
