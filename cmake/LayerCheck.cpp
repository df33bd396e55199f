// The entry point of a layer check program; the program is linked, never run.
int wmain()
{
    return 0;
}
