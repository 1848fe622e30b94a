#include "shell/program_state.h"

namespace melkora {

void setup_program_state(ProgramState& /*state*/) {}

void teardown_program_state(ProgramState& /*state*/) {}

}  // namespace melkora
