#include "game/bonus/bonus_round.h"

#include "game/game_app.h"

BonusRound::BonusRound(const std::string& puzzleName)
    : SaveLoadEntity("b:" + puzzleName), m_app(TheGame()),
      m_imageFolder("data:images/bonus/" + puzzleName + "/") {}

BonusRound::~BonusRound() = default;

void BonusRound::Load(SaveLoadSystem&, SaveReader&) {}

void BonusRound::Save(SaveLoadSystem&, SaveWriter&) {}

void BonusRound::Update(float) {}

void BonusRound::Draw() {}

void BonusRound::Show() {}

void BonusRound::Hide() {}
