#include "script/Variables.hpp"

#include "core/Services.hpp"
#include "core/Text.hpp"

#include <pugixml.hpp>

namespace crv {

void LoadGlobalVariables() {
    auto* vars = Services::SysVars();
    if (!vars)
        return;
    pugi::xml_document doc;
    if (!doc.load_file(toNarrow(vars->saveDir + L"global0.xml").c_str()))
        return;
    for (const pugi::xml_node& node : doc.child("GlobalVars").children())
        vars->variables[toWide(node.attribute("var_name").as_string())] =
            toWide(node.attribute("var_val").as_string());
}

} // namespace crv
