// ZorLib: everything a host program needs, behind one include.
#pragma once

#include "ZorExport.h"
#include "run/AdaptIO.h"
#include "store/AvlTree.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"
