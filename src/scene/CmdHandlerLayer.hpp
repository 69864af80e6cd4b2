#pragma once
// The layer command: moves a named entity to another draw layer. The entity update also uses it to
// put an entity back on the layer it had at the editor's line.

#include <string>
#include <vector>

namespace crv {

using Tokens = std::vector<std::wstring>;

/** tokens: "layer", name, new layer. fromLayer is the layer list to leave, -1 for the entity's
    current layer. A non-numeric layer is ignored (number warning); an unknown name is logged. If
    the entity is not in the list it leaves, only its layer history changes. */
void ExecuteLayer(Tokens& tokens, int fromLayer);

} // namespace crv
