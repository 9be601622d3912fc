#include <stdio.h>

/* Prints a greeting. */
static void greet(const char *name)
{
    printf("Hello, %s\n", name);
}

int main(void)
{
    greet("world");
    return 0;
}
