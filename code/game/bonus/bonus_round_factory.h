#pragma once
// Makes bonus rounds by the "Class" key of a level file's "BonusRound"
// section, compared without regard to letter case. Each puzzle registers its
// class name from a static initialiser of its own source file, before the
// program's main function runs:
//
//   [[maybe_unused]] const bool g_registered =
//       BonusRoundFactory::Instance().Register("AssembleLetter", &NewAssembleLetter);
//
// where each creator allocates its class from the options file and the game
// and answers null when the allocation fails.

#include "mirel/util/a_factory.h"

#include <string>

class BonusRound;
class GameServices;
class aOptionsFile;

class BonusRoundFactory {
public:
    // Makes a puzzle from the level file, whose current section is
    // "BonusRound", for the game (null: a puzzle on its own); null when it
    // cannot.
    using Creator = BonusRound* (*)(const aOptionsFile& options, GameServices* game);

    // The one factory, made on first use.
    static BonusRoundFactory& Instance();
    BonusRoundFactory(const BonusRoundFactory&) = delete;
    BonusRoundFactory& operator=(const BonusRoundFactory&) = delete;

    // False, and the first creator stays, when the name is taken.
    bool Register(const std::string& className, Creator creator);
    // A new puzzle (owned by the caller), or null with a log line when the
    // class is not registered.
    BonusRound* NewBonusRound(const std::string& className, const aOptionsFile& options,
                              GameServices* game) const;

    const aFactoryRegistry<Creator>& GetRegistry() const { return m_registry; }

private:
    BonusRoundFactory() = default;

    aFactoryRegistry<Creator> m_registry;
};
