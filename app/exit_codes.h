// The installer's exit codes, as scripts and deployment systems see them.
#pragma once

enum InstallerExitCode : int {
  kExitInstalled = 0,         // installed, or the window was closed by the user
  kExitConfiguration = 2,     // the configuration could not be fetched, parsed or used
  kExitDownload = 3,          // a part could not be downloaded and the user (or silent mode) cancelled
  kExitDigest = 4,            // a part still did not match its digest after it was fetched again
  kExitArchiveParts = 5,      // no zip among the parts, or not exactly one zip in the install folder
  kExitExtraction = 6,        // the archive could not be extracted
  kExitStartupFailure = -1,   // start-up failed (exception while opening the window, memory exhausted)
};
