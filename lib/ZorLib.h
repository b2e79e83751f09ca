// ZorLib: everything a host program needs, behind one include.
#pragma once

#include "ZorExport.h"
#include "output/ParseOut.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "run/ZorCall.h"
#include "store/AvlTree.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"
