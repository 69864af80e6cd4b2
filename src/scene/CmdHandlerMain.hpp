#pragma once
// Image commands: bg, cg, clear, remove, createDummyCG. Each takes the line's tokens (token 0 is
// the command word) after the vocabulary's token-count rule has matched; failures are logged and
// leave the scene as it was.

#include <cstdint>
#include <string>
#include <vector>

namespace crv {

using Tokens = std::vector<std::wstring>;

/** `bg file [option]` hides every background and shows file as the system background "sys_BG";
    `bg name file [option]` shows a named background. Backgrounds fill the view. */
void ExecuteBG(Tokens& tokens);
/** `cg name file x y layer [option]`: shows an image at (x, y); x, y and layer must be integers. */
void ExecuteCG(Tokens& tokens);
/** Game mode: removes every entity. The editor rewinds instead, so there it does nothing. */
void ExecuteClear(Tokens& tokens);
/** Accepted and ignored. */
void ExecuteRemove(Tokens& tokens);
/** Game mode: `createDummyCG out font width height title [subtitle [line ...]]` writes a
    placeholder figure to the images folder as out.png. An output name that would leave the images
    folder is refused (logged). */
void ExecuteCreateDummyCG(Tokens& tokens);

/**
 * Shows file as the image entity name (kind 2 cg or 3 bg) at (x, y) on layer: creates and registers
 * a new NSprite, or records a new state of the existing image for the current line and shows it
 * again (opaque, unscaled, unrotated, tweens dropped, moved to layer). option equal to the
 * vocabulary's noCamera word keeps it out of the camera. A missing file or a name held by another
 * kind of entity is logged and changes nothing more.
 */
void HandleCG_InsRm(std::uint8_t kind, const std::wstring& name, const std::wstring& file, double x, double y,
                    std::int32_t layer, const std::wstring& option);

} // namespace crv
