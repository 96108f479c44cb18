#include "screens/TBurgMenu.h"

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TFont.h"
#include "engine/TString.h"
#include "game/TBurgMod.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TItemBase.h"
#include "game/TItemInstance.h"
#include "screens/TButton.h"
#include "screens/TMenuFrame.h"
#include "screens/TTopbar.h"

bool TBurgMenu::quitFlag = false;

namespace {

// Caption texts; buttons share these characters for the whole run.
const char* const kEmptyAtStart = "Leer";
const char* const kEmpty = "leer";
const char* const kBalloonCaption = "Ballon kaufen (100 Gold)";
const char* const kHealCaption = "Heilen (100 Gold)";

const float kButtonZ = -100.0f;
const float kTextX = 100.0f;

}  // namespace

TBurgMenu::TBurgMenu(TGame* g)
    : TMenu(g ? g->engine : nullptr, nullptr, nullptr, TMenuFrame::rectangleFrom(), TMenuFrame::rectangleTo(),
            TMenuFrame::sheetFrom(), TMenuFrame::sheetTo()),
      game(g),
      selected(-1),
      inventoryButton{},
      offerButton{},
      healButton(nullptr),
      balloonButton(nullptr),
      font(nullptr) {
    listener = this;
    material = TMenuFrame::createMaterial(engine, "burgMenu");
    font = engine ? engine->getFont(TMenuFrame::kFontHeight, TMenuFrame::kFontWeight) : nullptr;

    // Two columns of five each: the inventory on the right, the offers on
    // the left; then the two buttons under the offers.
    for (int k = 0; k < kSlotCount; ++k) {
        const float x0 = k < 5 ? 400.0f : 500.0f;
        const float y0 = 50.0f + 50.0f * static_cast<float>(k % 5);
        inventoryButton[k] = makeButton(x0, y0, x0 + 100.0f, y0 + 50.0f, kEmptyAtStart);
        insert(inventoryButton[k]);
    }
    for (int k = 0; k < kSlotCount; ++k) {
        const float x0 = k < 5 ? 100.0f : 200.0f;
        const float y0 = 50.0f + 50.0f * static_cast<float>(k % 5);
        offerButton[k] = makeButton(x0, y0, x0 + 100.0f, y0 + 50.0f, kEmptyAtStart);
        insert(offerButton[k]);
    }
    balloonButton = makeButton(100, 370, 300, 400, kBalloonCaption);
    insert(balloonButton);
    healButton = makeButton(100, 400, 300, 430, kHealCaption);
    insert(healButton);
}

TButton* TBurgMenu::makeButton(float x0, float y0, float x1, float y1, const char* caption) {
    return new TButton(engine, nullptr, this, TVector(x0, y0, kButtonZ), TVector(x1, y1, kButtonZ),
                       TMenuFrame::sheetFrom(), TMenuFrame::sheetTo(), TString(caption), font);
}

TDrache* TBurgMenu::dragon() const { return game ? game->dragon : nullptr; }

TBurgMod* TBurgMenu::castle() const { return game ? game->castleKind : nullptr; }

// ------------------------------------------------------------ the loop ----

int TBurgMenu::run() {
    selected = -1;
    return TMenuFrame::runMenu(this, game, quitFlag, [this] { updateLabels(); });
}

LRESULT TBurgMenu::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return TMenuFrame::handleMessage(this, quitFlag, window, message, wParam, lParam);
}

void TBurgMenu::draw() {
    TMenuFrame::beginDraw(game);
    TMenu::draw();
    TMenuFrame::drawLines(font, kTextX, textLines());
    TMenuFrame::drawStatistics(font, dragon());
    TMenuFrame::endDraw(engine);
}

std::vector<TMenuLine> TBurgMenu::textLines() const {
    std::vector<TMenuLine> lines;
    if (TBurgMod* c = castle()) lines.push_back({320.0f, TMenuFrame::format("Aktueller Goldstand: %4.1f", c->gold)});
    if (TItemBase* item = offer(selected)) {
        const TString name = item->getName();
        lines.push_back({340.0f, TMenuFrame::format("Gegenstand: %.*s", name.size(), name.buffer ? name.buffer : "")});
        lines.push_back({360.0f, TMenuFrame::format("Kosten: %4.1f", priceOf(item))});
    }
    return lines;
}

void TBurgMenu::updateLabels() {
    TDrache* d = dragon();
    for (int k = 0; k < kSlotCount; ++k) {
        TItemBase* item = d ? d->inventory[k] : nullptr;
        inventoryButton[k]->setText(item ? item->getName() : TString(kEmpty));
    }
    for (int k = 0; k < kSlotCount; ++k) {
        TItemBase* item = offer(k);
        offerButton[k]->setText(item ? item->getName() : TString(kEmpty));
    }
}

// ------------------------------------------------------------- buttons ----

void TBurgMenu::onClick(TMenuElement* source, TVector* point) {
    (void)point;
    for (int k = 0; k < kSlotCount; ++k)
        if (source == offerButton[k]) selected = k;
    if (source == healButton) heal();
    if (source == balloonButton) buyBalloon();
}

void TBurgMenu::onDoubleClick(TMenuElement* source, TVector* point) {
    (void)point;
    for (int k = 0; k < kSlotCount; ++k) {
        if (source == inventoryButton[k]) {
            throwAway(k);
            updateLabels();
            return;
        }
    }
    for (int k = 0; k < kSlotCount; ++k) {
        if (source == offerButton[k]) {
            if (offer(k)) {
                buyOffer(k);
                updateLabels();
            }
            return;
        }
    }
}

// ---------------------------------------------------------------- shop ----

TItemBase* TBurgMenu::offer(int k) const {
    if (!game || k < 0 || k >= kSlotCount || k >= game->itemCount || k >= TGame::kItemSlots) return nullptr;
    return game->items[k];
}

float TBurgMenu::priceOf(const TItemBase* item) {
    if (const TItemInstance* instance = dynamic_cast<const TItemInstance*>(item)) return instance->getPrice();
    return item ? item->getArmour() * item->getArmour() : 0.0f;
}

void TBurgMenu::pay(float amount) {
    TBurgMod* c = castle();
    if (c) c->setGold(c->gold - amount);
}

bool TBurgMenu::heal() {
    TBurgMod* c = castle();
    TDrache* d = dragon();
    if (!c || !d || !(c->gold > kHealPrice)) return false;
    pay(kHealPrice);
    d->life = d->maxLife;
    if (TTopbar* bar = game ? game->currentTopbar() : nullptr) bar->setLife(1.0f);
    return true;
}

bool TBurgMenu::buyBalloon() {
    TBurgMod* c = castle();
    if (!c || !(c->gold >= kBalloonPrice)) return false;
    if (!c->buyBallon()) return false;  // logged by the castle kind; nothing paid
    pay(kBalloonPrice);
    const int count = c->getBalloonCount();
    if (TTopbar* bar = game ? game->currentTopbar() : nullptr) bar->setBalloonCount(count);
    logOut() << "Anz Ballone: " << count << "\n";
    return true;
}

bool TBurgMenu::buyOffer(int k) {
    TBurgMod* c = castle();
    TDrache* d = dragon();
    TItemBase* item = offer(k);
    if (!c || !d || !item) return false;
    const float price = priceOf(item);
    if (!(price < c->gold)) return false;
    if (!d->addToInventory(item, false)) return false;  // no free slot, or too heavy: not paid
    pay(price);
    return true;
}

bool TBurgMenu::throwAway(int k) {
    TDrache* d = dragon();
    if (!d || k < 0 || k >= kSlotCount || !d->inventory[k]) return false;
    d->load -= d->inventory[k]->getWeight();
    d->inventory[k] = nullptr;
    return true;
}
