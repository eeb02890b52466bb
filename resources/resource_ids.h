// Identifiers of the resources embedded in the installer executable.
#pragma once
