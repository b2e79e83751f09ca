// Export marker for the classes that hosts of ZorLib may use. The library is
// built with hidden visibility, so everything without this marker stays inside.
#pragma once

#define ZORLIB_API __attribute__((visibility("default")))
