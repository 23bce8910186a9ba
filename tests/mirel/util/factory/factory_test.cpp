#include "mirel/util/a_factory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct Thing {
    virtual ~Thing() = default;
    virtual std::string name() const = 0;
};
struct Button : Thing {
    std::string name() const override { return "Button"; }
};
struct Other : Thing {
    std::string name() const override { return "Other"; }
};
using Creator = Thing* (*)();
Thing* makeButton() {
    return new Button;
}
Thing* makeOther() {
    return new Other;
}

// A factory as the engine's factories use the registry: a function-local static.
aFactoryRegistry<Creator>& registry() {
    static aFactoryRegistry<Creator> instance;
    return instance;
}
// Registered by a static initialiser, before main.
const bool g_registered = registry().registerClass("StaticImage", &makeOther);

} // namespace

TEST(FactoryRegistry, FirstRegistrationOfANameWinsInAnyCase) {
    aFactoryRegistry<Creator> r;
    EXPECT_TRUE(r.registerClass("Button", &makeButton));
    EXPECT_FALSE(r.registerClass("BUTTON", &makeOther));
    EXPECT_FALSE(r.registerClass("Other", nullptr));
    ASSERT_NE(r.find("button"), nullptr);
    std::unique_ptr<Thing> made(r.find("bUtToN")());
    EXPECT_EQ(made->name(), "Button");
    EXPECT_EQ(r.find("Other"), nullptr);
    EXPECT_EQ(r.find("Butto"), nullptr);
    EXPECT_EQ(r.getCreators().size(), 1u);
}

TEST(FactoryRegistry, StaticRegistrationIsFoundCaseInsensitively) {
    EXPECT_TRUE(g_registered);
    EXPECT_TRUE(registry().contains("staticimage"));
    EXPECT_EQ(registry().find("STATICIMAGE"), &makeOther);
}
