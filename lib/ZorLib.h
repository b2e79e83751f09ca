// ZorLib: everything a host program needs, behind one include.
#pragma once

#include "ZorExport.h"
#include "run/AdaptIO.h"
#include "store/AvlTree.h"
