#include "game/bonus/bonus_round_factory.h"

#include "game/bonus/bonus_round.h"
#include "mirel/base/a_log.h"

BonusRoundFactory& BonusRoundFactory::Instance() {
    static BonusRoundFactory factory;
    return factory;
}

bool BonusRoundFactory::Register(const std::string& className, Creator creator) {
    return m_registry.registerClass(className, creator);
}

BonusRound* BonusRoundFactory::NewBonusRound(const std::string& className, const aOptionsFile& options,
                                             GameServices* game) const {
    Creator creator = m_registry.find(className);
    if (!creator) {
        a_log("BonusRoundFactory::NewBonusRound - bonus round class '%s' not registered", className.c_str());
        return nullptr;
    }
    return creator(options, game);
}
