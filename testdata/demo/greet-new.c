#include <stdio.h>
#include <string.h>

/* Prints a greeting, or a default one. */
static void greet(const char *name)
{
    if (name == NULL || strlen(name) == 0)
        name = "stranger";
    printf("Hello, %s\n", name);
}

int main(int argc, char **argv)
{
    greet(argc > 1 ? argv[1] : "world");
    return 0;
}
