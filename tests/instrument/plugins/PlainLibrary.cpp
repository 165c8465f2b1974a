// A shared library in the components folder that is not a Qt plugin at all.

extern "C" int KvPlainLibraryAnswer() {
    return 42;
}
