#pragma once
// A source whose reads the test holds back: past the first few packets, each
// read of the clip's file waits at a gate, as on a slow share or a dying disk.
// Tests that must stop a run in the middle hold its source so that the run
// cannot end first, however fast the machine.
#include <memory>
#include <string>

class HeldReads {
public:
    // Holds the reads of `path` after its first `freeReads` packets; a held read
    // returns once the gate opens or, when `honourStop`, once its reader is stopped.
    explicit HeldReads(std::string path, int freeReads = 40, bool honourStop = true);
    ~HeldReads();   // opens the gate and removes the hold
    HeldReads(const HeldReads&) = delete;
    HeldReads& operator=(const HeldReads&) = delete;

    // Closes the gate again for another run.
    void Arm(bool honourStop);
    // True once a read has reached the closed gate.
    bool Hung();
    // Lets every read through from now on.
    void Open();

private:
    struct Gate;
    std::shared_ptr<Gate> gate_;   // shared with the hook, which may outlive this object on a reader's thread
};
