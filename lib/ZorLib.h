// ZorLib: everything a host program needs, behind one include.
#pragma once

#include "ZorExport.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "run/ZorCall.h"
