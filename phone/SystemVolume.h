#pragma once
// The handheld's own wave-out volume in steps, with the system's volume
// settings in the registry kept in step.
#include <windows.h>

class SystemVolume {
public:
    static constexpr int kDefaultSteps = 15;

    explicit SystemVolume(int steps = kDefaultSteps);

    // Current step from the device's volume (0 when it cannot be read).
    int ReadStep();
    // 0 when step is above the number of steps; else sets it (and, with
    // save 1, the registry) and the device's volume; 1.
    int SetStep(int step, int save);
    // One step up or down; 1 when it moved, 0 at either end.
    int StepUp();
    int StepDown();

    int Steps() const { return m_nSteps; }
    int CurrentStep() const { return m_nCurrent; }
    DWORD StepSize() const { return m_dwStepSize; }

private:
    void Apply(int save);
    void SaveToRegistry(DWORD volume);

    int m_nSteps;
    int m_nCurrent;
    DWORD m_dwStepSize;
};

// The process-wide instance (15 steps).
SystemVolume& TheSystemVolume();
