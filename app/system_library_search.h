// The installer runs as administrator from wherever it was downloaded to: libraries it (or the platform on
// its behalf) loads by name must come from the system folder only, never from the program's folder or the
// current directory, where anyone could have put a file of the same name.
#pragma once

// Restricts the process's default library search to the system folder. Called first thing at start-up;
// false when the platform refused.
bool SearchLibrariesInSystemFolderOnly();
