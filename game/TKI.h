#pragma once
// TKI is the single referee of a level: it owns the routing table, keeps the
// arrays of the objects that think (defense towers and dwarves) and of the
// dwarves, runs the rules the dwarves' flags drive, decides that the game is
// lost, lets every tower, dwarf and balloon think, and hands new gold piles
// to the balloons. It also loads the sound effects of dwarves, dragon and
// itself. There is one controller, reached through getInstance.

#include <ctime>
#include <deque>
#include <list>

#include "engine/TList.h"
#include "engine/TVector.h"

class TBallon;
class TDrache;
class TGame;
class TGoldInstance;
class TKeyField;
class TMovingObject;
class TProperties;
class TRoutingTable;
class TSound;
class TZwerg;

// One registered gold pile; the entry does not own the pile.
struct TGoldEntry {
    TGoldInstance* pile;
};

class TKI {
public:
    static constexpr int kArrayCapacity = 1024;
    // Sound slots of the controller: 0 holds a music slot.
    enum { SOUND_LOST = 0, SOUND_WIND = 1, SOUND_BIRD = 2, SOUND_BALLOON = 3, SOUND_SLOT_COUNT = 4 };
    // The dwarves' sample slots, read by the dwarves when they play a sound.
    enum { DWARF_WALK = 0, DWARF_FIGHT = 1, DWARF_SNORE = 2, DWARF_HURT = 3, DWARF_DIE = 4, DWARF_SOUND_COUNT = 5 };

    TList<TGoldEntry> goldInstances;          // every gold pile, newest first; entries owned
    std::deque<TGoldInstance*> waitingGold;   // piles no balloon has taken yet, oldest first
    TGame* game;                         // not owned; may be null
    TProperties* properties;             // kept, not read
    TMovingObject** thinkers;            // towers and dwarves; owned array
    int thinkerCapacity;
    int thinkerCount;
    float listener[3];  // the dragon's position as the game last stored it
    TRoutingTable* routingTable;  // owned
    TZwerg** dwarves;             // owned array
    int dwarfCapacity;
    int dwarfCount;
    TSound* sound;
    int soundSlots[SOUND_SLOT_COUNT];  // -1 = not loaded
    bool lost;
    // The missing castle key field has been reported once.
    bool castleKeyFieldMissingLogged;
    int dwarfSounds[DWARF_SOUND_COUNT];  // -1 = not loaded

    // The controller, created on the first call with these arguments; later
    // calls return it unchanged. Owned by this class.
    static TKI* getInstance(TGame* game, TProperties* properties);
    // The controller, or null before the first getInstance.
    static TKI* instance();
    // Deletes the controller (the game does so when it goes); the next
    // getInstance makes a new one.
    static void destroyInstance();

    TKI(TGame* game, TProperties* properties);
    // Frees both arrays and the routing table and empties both gold lists
    // (the piles themselves are not deleted).
    virtual ~TKI();
    TKI(const TKI&) = delete;
    TKI& operator=(const TKI&) = delete;

    // Reads the level's way-point file. 0, or -1 when it cannot be read.
    int loadLevel(const char* fileName);
    // Makes both arrays with room for capacity entries, all empty. False
    // when memory runs out (no arrays then).
    bool allocateArrays(int capacity);
    // Loads the dwarves', the dragon's and the controller's sounds; a file
    // that fails logs "Failed to load sound." and its slot stays -1. The
    // dragon may be null.
    void loadSounds(TDrache* dragon);

    // One AI step: dwarf rules, the loss by the dragon's life, every
    // thinker's and balloon's think, and a chance of an ambient sound.
    void think();
    // Shows the loss; the first time also stops the music, plays the lose
    // music and sets the game's game-over (paused) flag.
    void lose();

    // Plays slot 1 (wind), 2 (bird) or 3 (balloon) without a position;
    // nothing for another slot, one that did not load, or with sound off.
    void playSound(int slot);
    // The key field nearest to the position in the x-y plane, or null when
    // the routing table has none. Owned by the routing table.
    TKeyField* getNextKeyField(const TVector& position);

    // A thinker (tower or dwarf) joins the array; its index field is set.
    // Returns the index, or -1 (logged) when the array is full or missing.
    int addThinker(TMovingObject* object);
    // The thinker leaves the array; the last entry moves into its place
    // (and gets that index). Nothing for an object not in the array.
    void removeThinker(TMovingObject* object);
    // A dwarf joins the dwarves' array. Returns its index, or -1 (logged)
    // when the array is full or missing.
    int addDwarf(TZwerg* dwarf);
    // The dwarf at index leaves; the last entry moves into its place.
    // Returns the dwarf that now stands at index (its owner updates its
    // index), or null when none moved.
    TZwerg* removeDwarf(int index);

    // Gold piles: each registers at construction and unregisters at
    // destruction. A pile no balloon takes at once waits in waitingGold.
    // registerGoldInstance returns the pile's entry, which the pile hands
    // back to unregisterGoldInstance.
    TListNode<TGoldEntry>* registerGoldInstance(TGoldInstance* pile);
    void unregisterGoldInstance(TListNode<TGoldEntry>* entry);
    // Offers the waiting piles, oldest first, to an idle balloon until it
    // refuses one.
    void assignWaitingGold(TBallon* balloon);
    // Offers the pile to the castle's balloons in order; true when one
    // takes it.
    bool findFreeBalloon(TGoldInstance* pile);

    // Calendar time in whole seconds (the dwarves' timers).
    static time_t currentTime();

    // The dwarves' rules of one AI step, in array order: the dead respawn
    // at home or are gone, the standing are sent off, steal or go home.
    void applyDwarfRules(time_t now);
    // A dead dwarf: experience for the dragon; a respawn at its house
    // (standing, asleep until now + 10) or, with its house destroyed, gone.
    void respawnDwarf(TZwerg* dwarf, time_t now);
    // A standing dwarf: sent to the castle (delivering carried gold at
    // home), sent home with its loot, or stealing at the castle.
    void directStandingDwarf(TZwerg* dwarf, TKeyField* castle);

private:
    static TKI* instance_;
    // A copy of the castle kind's balloon list (empty without a castle
    // kind), so that a balloon may leave the list while the copy is walked.
    std::list<TBallon*> castleBalloons() const;
    void loadSample(const char* file, int& slot);
};
