#pragma once
// TEquipmentMenu is the dragon's character sheet, opened from the game and
// closed back into it (run returns RESULT_GAME): the five body slots laid
// out like a body, the ten inventory slots, the statistics block and four
// "steigern" buttons that spend the dragon's unspent points. A double click on a body
// slot takes its item off into the inventory; a double click on an
// inventory slot puts its item on. It owns its buttons; the game is not
// owned and must outlive the menu.

#include "engine/TScreen.h"
#include "screens/TButtonListener.h"
#include "screens/TMenu.h"

class TButton;
class TFont;
class TGame;

class TEquipmentMenu : public TScreen, public TMenu, public TButtonListener {
public:
    static constexpr int kSlotCount = 5;
    static constexpr int kInventoryCount = 10;

    TGame* game;
    TButton* slotButton[kSlotCount];  // slot type i + 1
    TButton* inventoryButton[kInventoryCount];
    TButton* speedButton;
    TButton* lifeButton;
    TButton* firepowerButton;
    TButton* loadButton;
    TFont* font;

    // The menu over the game's engine with its material "equipmentMenu",
    // its font and all its buttons. Made once, after the game.
    explicit TEquipmentMenu(TGame* game);
    // Deletes every button.
    ~TEquipmentMenu() override = default;

    // Shows the cursor, refreshes the captions and runs the menu's loop
    // until Esc, a right click or WM_QUIT; hides the cursor and returns RESULT_GAME.
    int run() override;
    // See TMenuFrame::handleMessage.
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The game behind, the menu with its buttons, the statistics block.
    void draw() override;

    // A "steigern" button spends one unspent point (none left: nothing).
    void onClick(TMenuElement* source, TVector* point) override;
    // Body slot: take the item off into the inventory; inventory slot: put
    // its item on. Captions are refreshed afterwards.
    void onDoubleClick(TMenuElement* source, TVector* point) override;
    using TMenu::onClick;
    using TMenu::onDoubleClick;

    // Body slots show the worn item's name or the slot's name; inventory
    // slots the item's name or "leer".
    void updateLabels();

    // The menu's quit flag (one for the class).
    static bool quitFlag;

private:
    TButton* makeButton(float x0, float y0, float x1, float y1, const char* caption);
};
