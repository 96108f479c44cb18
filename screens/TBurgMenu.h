#pragma once
// TBurgMenu is the castle's shop, opened from the game near the castle and
// closed back into it (run returns RESULT_GAME). Everything is paid from the
// castle's gold: healing the dragon, a balloon, items of the game's
// catalogue into the dragon's inventory; items can also be thrown out of the
// inventory.
// The menu owns its buttons; the game is not owned and must outlive it.

#include <vector>

#include "engine/TScreen.h"
#include "screens/TButtonListener.h"
#include "screens/TMenu.h"
#include "screens/TMenuFrame.h"

class TButton;
class TBurgMod;
class TDrache;
class TFont;
class TGame;
class TItemBase;

class TBurgMenu : public TScreen, public TMenu, public TButtonListener {
public:
    static constexpr int kSlotCount = 10;      // inventory slots and offers shown
    static constexpr float kHealPrice = 100.0f;
    static constexpr float kBalloonPrice = 100.0f;

    TGame* game;
    int selected;  // catalogue index of the selected offer; -1 = none
    TButton* inventoryButton[kSlotCount];
    TButton* offerButton[kSlotCount];
    TButton* healButton;
    TButton* balloonButton;
    TFont* font;

    // The menu over the game's engine with its material "burgMenu", its
    // font and all its buttons. Made once at start-up, after the game.
    explicit TBurgMenu(TGame* game);
    // Deletes every button.
    ~TBurgMenu() override = default;

    // Starts with no offer selected, shows the cursor, refreshes the
    // captions and runs the menu's loop until Esc, a right click or
    // WM_QUIT; hides the cursor and returns RESULT_GAME.
    int run() override;
    // The in-game menus' handler (clicks, Esc, right click).
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The game behind, the menu with its buttons, the gold and the selected
    // offer, the dragon's statistics block.
    void draw() override;

    // An offer button selects its entry; "Heilen" and "Ballon kaufen" buy.
    void onClick(TMenuElement* source, TVector* point) override;
    // Inventory slot: throws its item away; offer: buys the entry. Captions
    // are refreshed afterwards.
    void onDoubleClick(TMenuElement* source, TVector* point) override;
    using TMenu::onClick;
    using TMenu::onDoubleClick;

    // Inventory buttons show the slot's item name or "leer"; offer buttons
    // the catalogue entry's name or "leer".
    void updateLabels();

    // --- what the buttons do; each returns true when it changed something
    // Heals the dragon to its maximum life for 100 gold; false (nothing
    // happens) unless the castle has more than 100 gold.
    bool heal();
    // A new balloon over the castle for 100 gold; false (nothing happens)
    // with less gold, or when the castle cannot make one.
    bool buyBalloon();
    // Catalogue entry k into the dragon's first free inventory slot for its
    // price. Only a purchase that is placed is paid; false when the entry
    // does not exist, the castle's gold does not exceed the price, no slot
    // is free or the item would exceed the dragon's maximum load.
    bool buyOffer(int k);
    // Empties inventory slot k; the item's weight leaves the load and no
    // gold comes back. False for an empty slot.
    bool throwAway(int k);

    // Catalogue entry k (shown entries only), or null.
    TItemBase* offer(int k) const;
    // What the castle asks for an item: armour x armour.
    static float priceOf(const TItemBase* item);
    // The menu's own texts at x 100: the castle's gold, and the selected
    // offer with its price while it exists.
    std::vector<TMenuLine> textLines() const;

    // The menu's quit flag (one for the class).
    static bool quitFlag;

private:
    TButton* makeButton(float x0, float y0, float x1, float y1, const char* caption);
    TDrache* dragon() const;
    TBurgMod* castle() const;
    // The castle's gold, less the amount, through the castle kind (clamped,
    // the top bar follows).
    void pay(float amount);
};
