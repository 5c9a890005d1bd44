/* Preloaded into sanitized test runs only. Libraries such as Mesa's software GL driver are
 * unloaded before LeakSanitizer looks at the heap, which leaves their allocations without a
 * module name to suppress by. Keeping every module loaded lets leaks be attributed. */
int dlclose(void *handle)
{
    (void)handle;
    return 0;
}
