/* Points this program's import of a system function elsewhere, for the in-process tests. */
#pragma once

/* Returns the old target, to be put back the same way; NULL when nothing imports that name. */
void *ReplaceImport(const char *name, void *replacement);
