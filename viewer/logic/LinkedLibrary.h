// The library in this process, reached through its exported classes.
#pragma once

#include "RunEngines.h"

namespace viewer {

class LinkedLibrary : public LibraryAccess {
public:
    bool hasRegistry() const override;
    void setTrace(const TraceSettings& trace) override;
    RunResult parse(const std::string& inputFile, const std::string& filter) override;
    void setLastOutFile(const std::string& name) override;
    std::string lastOutFile() const override;
};

}  // namespace viewer
