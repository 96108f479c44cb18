// The dragon's role-playing side: damage through armour, experience and
// levels, the statistics points raise, the inventory, worn items and gold.
#include "game/TDrache.h"
#include "game/TBurgMod.h"
#include "game/TGame.h"
#include "game/TGoldInstance.h"
#include "scene/TBurstEmitter.h"
#include "scene/TSkeleton.h"

void TDrache::takeDamage(float amount, const TVector& source) {
    (void)source;
    life = life - amount * (1.0f - armour * 0.01f);
    float fraction = life / maxLife;
    if (fraction <= 0.0f) fraction = 0.0f;
    if (game) game->showLife(fraction);
    if (game && game->bloodBurst) game->bloodBurst->spawn(getPosition(), TVector(0.0f, 0.0f, 0.0f), 1.0f);
}

void TDrache::levelUp() {
    level = level + 1;
    unspentPoints += level;
    nextLevelAt += level * 100.0f;
    if (game) game->showMessage("Neue Stufe erreicht");
}

void TDrache::raiseMaxLife(float amount) {
    maxLife += amount;
    if (game) game->showLife(life / maxLife);
    unspentPoints -= 1;
}

void TDrache::addPointsAndHeal(int n) {
    unspentPoints += n;
    life = maxLife;
    // The castle's gold goes back to its maximum through the castle kind;
    // a level without castle has none to fill.
    if (game && game->castleKind) game->castleKind->setGold(game->castleKind->getMaxGold());
    if (game) game->showLife(1.0f);
}

bool TDrache::canPickUp(TGridObject* other) { return other && other->getMass() + load < maxLoad; }

void TDrache::pickUp(TGridObject* other) {
    if (!other) return;
    load += other->getMass();
    if (other->getType() == 5) {
        if (carriedGold == 0.0f && game && game->goldSack) equip(game->goldSack);
        if (TGoldInstance* pile = dynamic_cast<TGoldInstance*>(other)) carriedGold += pile->amount;
    }
}

TBone* TDrache::boneOfSlot(int slotType) {
    if (slotType < 0 || slotType >= kSlotCount) return nullptr;
    return findBone(boneNames[slotType]);
}

TItemBase* TDrache::equip(TItemBase* item) {
    if (!item) return nullptr;
    TItemBase* replaced = nullptr;
    for (TListNode<TItemBase>* n = equipped.head; n; n = n->next) {
        if (n->value->getSlotType() == item->getSlotType()) {
            replaced = n->value;
            n->value = item;
            armour -= replaced->getArmour();
            break;
        }
    }
    if (!replaced) equipped.pushFront(item, false);
    armour += item->getArmour();
    item->setBone(boneOfSlot(item->getSlotType()));
    return replaced;
}

bool TDrache::unequip(int slotType, bool backIntoInventory) {
    TListNode<TItemBase>* node = equipped.head;
    while (node && node->value->getSlotType() != slotType) node = node->next;
    if (!node) return false;
    TItemBase* item = node->value;
    if (backIntoInventory) {
        int free = 0;
        while (free < kInventorySize && inventory[free]) ++free;
        if (free == kInventorySize) return false;  // no room: the item stays worn
    }
    armour -= item->getArmour();
    equipped.unlinkNode(node);
    if (backIntoInventory) addToInventory(item, true);
    return true;
}

TItemBase* TDrache::getEquipped(int slotType) {
    for (TListNode<TItemBase>* n = equipped.head; n; n = n->next) {
        if (n->value->getSlotType() == slotType) return n->value;
    }
    return nullptr;
}

TString TDrache::getSlotName(int slotType) const {
    if (slotType < 0 || slotType >= kSlotCount) return TString("");
    return slotNames[slotType];
}

bool TDrache::addToInventory(TItemBase* item, bool alreadyCounted) {
    if (!item) return false;
    int slot = 0;
    while (slot < kInventorySize && inventory[slot]) ++slot;
    if (slot == kInventorySize) return false;
    if (!alreadyCounted && item->getWeight() + load > maxLoad) return false;
    inventory[slot] = item;
    if (!alreadyCounted) load += item->getWeight();
    return true;
}

void TDrache::dropGold() {
    if (carriedGold <= 0.0f) return;
    load -= carriedGold * 10.0f;
    unequip(kGoldSackSlot, false);
    // The gold falls as a new pile 3 units below the dragon (the game's
    // object list holds it; without a game there is no world to drop into).
    if (game) {
        TGoldInstance* pile = new TGoldInstance(carriedGold, getPosition() + TVector(0.0f, 0.0f, 3.0f), game);
        pile->setOnGround(0);
    }
    carriedGold = 0.0f;
}
