#pragma once

// Libraries that the program loads from now on come from the system folder only, never from the
// program's own folder or the current one, where another could have planted one of that name.
// Called first thing; a system without the setting keeps its default search.
void LoadLibrariesFromSystemOnly();
