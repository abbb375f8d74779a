#pragma once

// The choices of the user that every window may look at: the visual style, and which base is open.
// Read from the settings file at start and written back at exit.
struct ProgramOptions
{
    // Not 0: windows keep the classic style instead of the platform's own.
    int iDisableXP = 0;
    // Position of the open base in the bases menu, from 0.
    int iSelectedBase = 0;

    bool classicStyle() const { return iDisableXP != 0; }
};
