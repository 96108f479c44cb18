#include "game/TKI.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

#include "engine/Log.h"
#include "engine/TSound.h"
#include "game/TBallon.h"
#include "game/TBurgMod.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TRoutingTable.h"
#include "game/TWayPoint.h"
#include "game/TZwerg.h"
#include "platform/crt.h"
#include "scene/TMovingObject.h"

TKI* TKI::instance_ = nullptr;

TKI* TKI::getInstance(TGame* game, TProperties* properties) {
    if (!instance_) instance_ = new TKI(game, properties);
    return instance_;
}

TKI* TKI::instance() { return instance_; }

void TKI::destroyInstance() {
    delete instance_;
    instance_ = nullptr;
}

TKI::TKI(TGame* g, TProperties* p)
    : game(g),
      properties(p),
      thinkers(nullptr),
      thinkerCapacity(0),
      thinkerCount(0),
      listener{0.0f, 0.0f, 0.0f},
      routingTable(new TRoutingTable()),
      dwarves(nullptr),
      dwarfCapacity(0),
      dwarfCount(0),
      sound(TSound::getInstance()),
      lost(false),
      castleKeyFieldMissingLogged(false) {
    for (int& slot : soundSlots) slot = -1;
    for (int& slot : dwarfSounds) slot = -1;
}

TKI::~TKI() {
    delete[] thinkers;
    delete[] dwarves;
    waitingGold.clear();
    goldInstances.clear();
    delete routingTable;
    if (instance_ == this) instance_ = nullptr;
}

int TKI::loadLevel(const char* fileName) { return routingTable->load(fileName); }

bool TKI::allocateArrays(int capacity) {
    delete[] dwarves;
    delete[] thinkers;
    dwarves = new (std::nothrow) TZwerg*[capacity]();
    thinkers = new (std::nothrow) TMovingObject*[capacity]();
    if (!dwarves || !thinkers) {
        delete[] dwarves;
        delete[] thinkers;
        dwarves = nullptr;
        thinkers = nullptr;
        dwarfCapacity = thinkerCapacity = 0;
        dwarfCount = thinkerCount = 0;
        return false;
    }
    dwarfCapacity = thinkerCapacity = capacity;
    dwarfCount = thinkerCount = 0;
    return true;
}

void TKI::loadSample(const char* file, int& slot) {
    slot = sound->loadSound(file, 1);
    if (slot < 0) {
        logWrite("Failed to load sound.");
        slot = -1;
    }
}

void TKI::loadSounds(TDrache* dragon) {
    loadSample("sound/dwarf_walk.wav", dwarfSounds[DWARF_WALK]);
    loadSample("sound/dwarf_die.wav", dwarfSounds[DWARF_DIE]);
    loadSample("sound/dwarf_fight.wav", dwarfSounds[DWARF_FIGHT]);
    loadSample("sound/dwarf_hurt.wav", dwarfSounds[DWARF_HURT]);
    loadSample("sound/dwarf_snore.wav", dwarfSounds[DWARF_SNORE]);
    int fire = -1;
    int snarl = -1;
    loadSample("sound/dragon_fire.wav", fire);
    loadSample("sound/dragon_snarl.wav", snarl);
    if (dragon) {
        dragon->soundSlots[TDrache::SOUND_FIRE] = fire;
        dragon->soundSlots[TDrache::SOUND_SNARL] = snarl;
    }
    soundSlots[SOUND_LOST] = sound->loadMusic(1, "sound/lostgame.wav", false);
    if (soundSlots[SOUND_LOST] < 0) {
        logWrite("Failed to load sound.");
        soundSlots[SOUND_LOST] = -1;
    }
    loadSample("sound/wind2.wav", soundSlots[SOUND_WIND]);
    loadSample("sound/bird.wav", soundSlots[SOUND_BIRD]);
    loadSample("sound/ballon_ok.wav", soundSlots[SOUND_BALLOON]);

    // The castle keeps the balloons; a level without castle has none.
    logOut() << "Anzahl BAllone: " << castleBalloons().size() << "\n";
    logFlush();
    // Dwarves that already exist start again at way point "4" (the level
    // set-up loads the sounds before any dwarf is made).
    if (TWayPoint* restart = routingTable->getWayPoint("4")) {
        for (int i = 0; i < dwarfCount; ++i) {
            if (dwarves[i]) dwarves[i]->currentWayPoint = restart;
        }
    }
}

void TKI::think() {
    const time_t now = currentTime();
    applyDwarfRules(now);

    if (game && game->dragon && game->dragon->getLife() < 0.0f) lose();

    for (int i = 0; i < thinkerCount; ++i) {
        if (thinkers[i]) thinkers[i]->think();
    }

    // The balloons think through a copy of the castle kind's list (none
    // without a castle).
    for (TBallon* balloon : castleBalloons()) balloon->think();

    logOut() << "TKI@think(): Alle Ballone fertig mit think().\n";
    logFlush();

    const int x = static_cast<int>(rand() * (-50.0 / 32768.0));
    if (x == 0) {
        playSound(SOUND_BIRD);
    } else if (x == -1) {
        playSound(SOUND_WIND);
    }
}

void TKI::lose() {
    if (game) game->showMessage("Sie haben das Spiel verloren!");
    if (lost) return;
    lost = true;
    TGame::stopCurrentMusic(sound);
    sound->playMusic(soundSlots[SOUND_LOST]);
    if (game) game->paused = 1;
}

void TKI::playSound(int slot) {
    if (slot < SOUND_WIND || slot > SOUND_BALLOON) return;
    if (soundSlots[slot] < 0) return;
    sound->playSound2D(soundSlots[slot]);
}

TKeyField* TKI::getNextKeyField(const TVector& position) { return routingTable->nearestKeyField(position); }

int TKI::addThinker(TMovingObject* object) {
    if (!thinkers || thinkerCount >= thinkerCapacity) {
        logOut() << "TKI: no room for another thinker (" << thinkerCapacity << " entries), not added\n";
        logFlush();
        return -1;
    }
    thinkers[thinkerCount] = object;
    object->index = thinkerCount;
    return thinkerCount++;
}

void TKI::removeThinker(TMovingObject* object) {
    const int i = object->index;
    if (i < 0 || i >= thinkerCount || thinkers[i] != object) return;
    const int last = thinkerCount - 1;
    thinkers[i] = thinkers[last];
    if (thinkers[i]) thinkers[i]->index = i;
    thinkers[last] = nullptr;
    thinkerCount = last;
    object->index = -1;
}

int TKI::addDwarf(TZwerg* dwarf) {
    if (!dwarves || dwarfCount >= dwarfCapacity) {
        logOut() << "TKI: no room for another dwarf (" << dwarfCapacity << " entries), not added\n";
        logFlush();
        return -1;
    }
    dwarves[dwarfCount] = dwarf;
    return dwarfCount++;
}

TZwerg* TKI::removeDwarf(int index) {
    if (index < 0 || index >= dwarfCount) return nullptr;
    const int last = dwarfCount - 1;
    TZwerg* moved = index == last ? nullptr : dwarves[last];
    dwarves[index] = dwarves[last];
    dwarves[last] = nullptr;
    dwarfCount = last;
    return moved;
}

TListNode<TGoldEntry>* TKI::registerGoldInstance(TGoldInstance* pile) {
    logOut() << "TKI::registerGoldInstance called.\n";
    logFlush();
    if (findFreeBalloon(pile)) {
        playSound(SOUND_BALLOON);
        if (game) game->showMessage("Ballon holt sich das Gold!");
    } else {
        waitingGold.push_back(pile);
    }
    TListNode<TGoldEntry>* entry = goldInstances.pushFront(new TGoldEntry{pile}, true);
    logOut() << "goldI gepusht.\n";
    logFlush();
    return entry;
}

void TKI::unregisterGoldInstance(TListNode<TGoldEntry>* entry) {
    if (!entry) return;
    TGoldInstance* pile = entry->value->pile;
    // The castle's balloons forget the pile first (none without a castle).
    for (TBallon* balloon : castleBalloons()) balloon->removeGold(pile);
    waitingGold.erase(std::remove(waitingGold.begin(), waitingGold.end(), pile), waitingGold.end());
    goldInstances.unlinkNode(entry);
}

void TKI::assignWaitingGold(TBallon* balloon) {
    // Offered oldest first until the balloon refuses one; the accepted ones
    // leave the queue.
    if (!balloon) return;
    size_t accepted = 0;
    while (accepted < waitingGold.size() && balloon->setCollecting(waitingGold[accepted])) ++accepted;
    waitingGold.erase(waitingGold.begin(), waitingGold.begin() + static_cast<std::ptrdiff_t>(accepted));
}

bool TKI::findFreeBalloon(TGoldInstance* pile) {
    // The castle kind's balloons are asked in order; a level without castle
    // has no balloon to ask.
    for (TBallon* balloon : castleBalloons()) {
        if (balloon->setCollecting(pile)) return true;
    }
    return false;
}

time_t TKI::currentTime() { return time(nullptr); }

std::list<TBallon*> TKI::castleBalloons() const {
    if (!game || !game->castleKind) return std::list<TBallon*>();
    return game->castleKind->balloons;
}
