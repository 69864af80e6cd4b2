#include "scene/CmdHandlerMain.hpp"

namespace crv {

void ExecuteBG(Tokens&) {}
void ExecuteCG(Tokens&) {}
void ExecuteClear(Tokens&) {}
void ExecuteRemove(Tokens&) {}
void ExecuteCreateDummyCG(Tokens&) {}

} // namespace crv
