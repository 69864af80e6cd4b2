// The layer command read from script text: the image moves to the list of its new layer, and the
// editor moves it back when the cursor goes above the line.
#include "script/ScriptTestKit.hpp"

#include "scene/Entities.hpp"
#include "scene/Entity.hpp"

#include <gtest/gtest.h>

namespace {

bool onLayer(int layer, const std::wstring& name) {
    auto& layers = crv::Services::Entities()->entityLayers;
    auto it = layers.find(layer);
    if (it == layers.end())
        return false;
    for (const auto& entity : it->second)
        if (entity->getName() == name)
            return true;
    return false;
}

TEST(LayerCommand, MovesAnImageBetweenLayersAndTheEditorMovesItBack) {
    crvtest::EngineSession engine(crvtest::scriptOptions(L"cg a a.png 0 0 1\nlayer a 3\n// end\n", false));
    engine.writeImage("Images/a.png", 10, 10, [](unsigned, unsigned) { return sf::Color::Red; });
    engine.mainParser().ReadScript(2);
    EXPECT_TRUE(onLayer(3, L"a"));
    EXPECT_FALSE(onLayer(1, L"a"));

    engine.mainParser().setReadLineNo(1); // the cursor moves above the layer line
    crv::UpdateEngine(false, false);      // the entity's update posts the move back; the jobs run it
    crv::UpdateEngine(false, false);
    EXPECT_TRUE(onLayer(1, L"a"));
    EXPECT_FALSE(onLayer(3, L"a"));
}

} // namespace
