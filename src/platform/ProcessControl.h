#pragma once

namespace kestrel {

// Ends the whole process at once, without unload handlers. Tests replace it
// to observe the end; callers return right after calling it.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    virtual void EndProcess(int exitCode) = 0;
};

class ImmediateProcessControl : public ProcessControl {
public:
    void EndProcess(int exitCode) override;
};

}  // namespace kestrel
