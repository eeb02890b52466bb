// Reading the installer configuration: fetching the JSON document (once per process), the licence text and
// the background pictures it names, and filling InstallerState. No window is involved: the caller shows the
// failure and ends the process (see InstallerForm::applyConfiguration).
#pragma once

#include "app/installer_state.h"
#include "runtime/wide_string.h"

enum class ConfigurationResult {
  Applied,
  Unusable,    // no document could be fetched (also an HTTP error status), or it is not JSON; the state is unchanged
  UnsafeName,  // a file name would reach outside the install folder; the state is unchanged
};

struct ConfigurationOutcome {
  ConfigurationResult result = ConfigurationResult::Applied;
  CWString unsafeName;       // with UnsafeName: the offending name as configured
  bool hasPictures = false;  // with Applied: a picture list holds at least one entry (the slide show runs)
};

// One application of the configuration. When state.configText is empty the document is fetched from
// `configurationUrl` first (a fetch that gives empty text leaves it empty). Then the document is parsed;
// every part name, the shortcut name and the program to run are checked before anything else happens; the
// licence text and every picture are fetched (a picture that cannot be fetched gives an empty entry); and
// the single values are overwritten while pictures and parts are appended to their lists. The fetches run
// on the calling thread without the state's lock; the state is written in one step under it.
ConfigurationOutcome ApplyConfigurationTo(InstallerState& state, const CWString& configurationUrl);

// The message shown for a name that fails the check.
CWString UnsafeNameMessage(const CWString& name);
