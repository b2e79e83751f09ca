// A host program outside the tree: one include, one library.
#include "ZorLib.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    AdaptIO io;
    if (!io.openOut(argv[1])) return 1;
    io << "consumer " << 7 << " " << 2.5 << "\r\n";
    io.closeOut();
    return 0;
}
