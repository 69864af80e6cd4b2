#pragma once
// Image commands: bg, cg, clear, remove, createDummyCG. Each takes the line's tokens (token 0 is
// the command word) after the vocabulary's token-count rule has matched.

#include <string>
#include <vector>

namespace crv {

using Tokens = std::vector<std::wstring>;

void ExecuteBG(Tokens& tokens);
void ExecuteCG(Tokens& tokens);
void ExecuteClear(Tokens& tokens);
void ExecuteRemove(Tokens& tokens);
void ExecuteCreateDummyCG(Tokens& tokens);

} // namespace crv
