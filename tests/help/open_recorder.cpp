/* Stands in for the browser in the help tests: registered as the program
 * that opens .htm files, it appends the command line it was started with and
 * its working folder, one line each, to the record file named by its first
 * argument, and ends. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

/* Skips one argument of a command line, quoted or not. */
static const char *SkipArgument(const char *text)
{
    while (*text == ' ' || *text == '\t')
        text++;
    if (*text == '"') {
        text++;
        while (*text && *text != '"')
            text++;
        if (*text == '"')
            text++;
    } else {
        while (*text && *text != ' ' && *text != '\t')
            text++;
    }
    while (*text == ' ' || *text == '\t')
        text++;
    return text;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    /* Everything after the record file's name: what the shell asked to open. */
    const char *opened = SkipArgument(SkipArgument(GetCommandLineA()));
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    FILE *record = fopen(argv[1], "ab");
    if (!record)
        return 3;
    fprintf(record, "open %s\r\nfolder %s\r\n", opened, folder);
    fclose(record);
    return 0;
}
