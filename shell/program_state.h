#pragma once
// The program-wide state: items that several handlers share for the whole run. Each subsystem
// adds its own items here as it is built; all start as 0, false or empty.
namespace melkora {

struct ProgramState {
    int tick_all_state = 0;  // what the last click on the song-name header did: 1 ticked, 0 unticked
    bool up_key_armed = false;  // the next Up in the suggestion list returns to the input box
};

// Start-up creates what the downloader needs before the window exists, and the exit routine
// releases it; both are empty until the downloader is built.
void setup_program_state(ProgramState& state);
void teardown_program_state(ProgramState& state);

}  // namespace melkora
