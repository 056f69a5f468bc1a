#pragma once

// The one header that the files project "core" delivers.
int coreVersion();
