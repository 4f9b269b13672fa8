/* Stands in for the browser in the page walk: registered as the program that
 * opens .htm files ("recorder" "record file" "%1"), it writes what it was
 * asked to open, resolved in its working folder, to the record file. */
#include <windows.h>

#include <stdio.h>

int main(int argc, char **argv)
{
    char opened[MAX_PATH] = "";
    if (argc < 3 || !GetFullPathNameA(argv[2], sizeof opened, opened, NULL))
        return 2;
    FILE *record = fopen(argv[1], "wb");
    if (!record)
        return 3;
    fprintf(record, "%s\r\n", opened);
    fclose(record);
    return 0;
}
