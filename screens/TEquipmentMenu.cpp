#include "screens/TEquipmentMenu.h"

#include "engine/TEngine.h"
#include "engine/TString.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TItemBase.h"
#include "screens/TButton.h"
#include "screens/TMenuFrame.h"

bool TEquipmentMenu::quitFlag = false;

namespace {

// Caption texts; buttons share these characters for the whole run.
const char* const kEmptyAtStart = "Leer";
const char* const kEmpty = "leer";
const char* const kRaise = "steigern";

const float kRaiseAmount = 0.1f;
const float kLifeRaise = 100.0f;
const float kLoadRaise = 100.0f;

}  // namespace

TEquipmentMenu::TEquipmentMenu(TGame* g)
    : TMenu(g ? g->engine : nullptr, nullptr, nullptr, TMenuFrame::rectangleFrom(), TMenuFrame::rectangleTo(),
            TMenuFrame::sheetFrom(), TMenuFrame::sheetTo()),
      game(g),
      slotButton{},
      inventoryButton{},
      speedButton(nullptr),
      lifeButton(nullptr),
      firepowerButton(nullptr),
      loadButton(nullptr),
      font(nullptr) {
    listener = this;
    material = TMenuFrame::createMaterial(engine, "equipmentMenu");
    font = engine ? engine->getFont(TMenuFrame::kFontHeight, TMenuFrame::kFontWeight) : nullptr;

    // Body slots: head, chest and tail down the middle, the arms either side.
    slotButton[0] = makeButton(150, 100, 250, 150, "");
    slotButton[1] = makeButton(150, 200, 250, 250, "");
    slotButton[2] = makeButton(150, 300, 250, 350, "");
    slotButton[3] = makeButton(50, 200, 150, 250, "");
    slotButton[4] = makeButton(250, 200, 350, 250, "");
    for (TButton* b : slotButton) insert(b);

    for (int k = 0; k < kInventoryCount; ++k) {
        const float x0 = k < 5 ? 400.0f : 500.0f;
        const float y0 = 50.0f + 50.0f * static_cast<float>(k % 5);
        inventoryButton[k] = makeButton(x0, y0, x0 + 100.0f, y0 + 50.0f, kEmptyAtStart);
        insert(inventoryButton[k]);
    }

    // Each sits left of the line of its statistic.
    loadButton = makeButton(280, 305, 380, 325, kRaise);
    lifeButton = makeButton(280, 345, 380, 365, kRaise);
    firepowerButton = makeButton(280, 385, 380, 405, kRaise);
    speedButton = makeButton(280, 405, 380, 425, kRaise);
    insert(loadButton);
    insert(lifeButton);
    insert(firepowerButton);
    insert(speedButton);
}

TButton* TEquipmentMenu::makeButton(float x0, float y0, float x1, float y1, const char* caption) {
    return new TButton(engine, nullptr, this, TVector(x0, y0, -100.0f), TVector(x1, y1, -100.0f),
                       TMenuFrame::sheetFrom(), TMenuFrame::sheetTo(), TString(caption), font);
}

// ------------------------------------------------------------ the loop ----

int TEquipmentMenu::run() { return TMenuFrame::runMenu(this, game, quitFlag, [this] { updateLabels(); }); }

LRESULT TEquipmentMenu::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return TMenuFrame::handleMessage(this, quitFlag, window, message, wParam, lParam);
}

void TEquipmentMenu::draw() {
    TMenuFrame::beginDraw(game);
    TMenu::draw();
    TMenuFrame::drawStatistics(font, game ? game->dragon : nullptr);
    TMenuFrame::endDraw(engine);
}

// ------------------------------------------------------------- buttons ----

void TEquipmentMenu::onClick(TMenuElement* source, TVector* point) {
    (void)point;
    TDrache* dragon = game ? game->dragon : nullptr;
    if (!dragon || dragon->unspentPoints <= 0) return;
    if (source == firepowerButton) {
        dragon->firepower += kRaiseAmount;
        dragon->unspentPoints -= 1;
    } else if (source == lifeButton) {
        dragon->raiseMaxLife(kLifeRaise);
    } else if (source == loadButton) {
        dragon->maxLoad += kLoadRaise;
        dragon->unspentPoints -= 1;
    } else if (source == speedButton) {
        dragon->speed += kRaiseAmount;
        dragon->unspentPoints -= 1;
    }
}

void TEquipmentMenu::onDoubleClick(TMenuElement* source, TVector* point) {
    (void)point;
    TDrache* dragon = game ? game->dragon : nullptr;
    if (!dragon) return;
    for (int i = 0; i < kSlotCount; ++i) {
        if (source == slotButton[i]) {
            dragon->unequip(i + 1, true);
            updateLabels();
            return;
        }
    }
    for (int k = 0; k < kInventoryCount; ++k) {
        if (source == inventoryButton[k]) {
            if (TItemBase* item = dragon->inventory[k]) {
                item->use(dragon);
                updateLabels();
            }
            return;
        }
    }
}

void TEquipmentMenu::updateLabels() {
    TDrache* dragon = game ? game->dragon : nullptr;
    if (!dragon) return;
    for (int t = 1; t <= kSlotCount; ++t) {
        TItemBase* worn = dragon->getEquipped(t);
        slotButton[t - 1]->setText(worn ? worn->getName() : dragon->getSlotName(t));
    }
    for (int k = 0; k < kInventoryCount; ++k) {
        TItemBase* item = dragon->inventory[k];
        inventoryButton[k]->setText(item ? item->getName() : TString(kEmpty));
    }
}
