// Every object of the core linked into one program with the C++ library and nothing else of ours:
// a core source that calls the file layer, Qt or the operating system's own interfaces beyond what
// the standard library wraps fails this link, and with it the build.
int main()
{
    return 0;
}
