// Owns the precompiled GoogleTest headers the test programs share; never run.
int main()
{
    return 0;
}
