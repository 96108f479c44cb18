// The level set-up: everything the running game needs, built once from the
// game's constructor in a fixed order while the loading screen is up.
#include <cstring>

#include "engine/Log.h"
#include "engine/TBufferObject.h"
#include "engine/TColor.h"
#include "engine/TCubeMap.h"
#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TMaterialData.h"
#include "engine/TNormCubeMap.h"
#include "engine/TProperties.h"
#include "engine/TSound.h"
#include "engine/TTexture3D.h"
#include "engine/TTextureLayer.h"
#include "game/TBallonMod.h"
#include "game/TBurgMod.h"
#include "game/TDefenseTowerMod.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TItem.h"
#include "game/TItemInstance.h"
#include "game/TItemList.h"
#include "game/TKI.h"
#include "game/TRoutingTable.h"
#include "game/TZwergMod.h"
#include "game/TZwergenhausMod.h"
#include "platform/crt.h"
#include "platform/gl.h"
#include "screens/TLoadingScreen.h"
#include "scene/TBurstEmitter.h"
#include "scene/TGrid.h"
#include "scene/TParticleBurst.h"
#include "scene/TParticleManager.h"
#include "scene/THeightSource.h"
#include "scene/TMesh.h"
#include "scene/TSkinnedMesh.h"
#include "scene/TTreeMod.h"
#include "scene/TWasser.h"

namespace {

const char* const kParticleProgram = "programs\\particle_vp.txt";
const char* const kStandardProgram = "programs\\standard_vp.txt";

// The dragon's animations in track order.
const char* const kDragonAnimations[] = {
    "mods\\drache\\ani2.pff",     "mods\\drache\\ani.pff",       "mods\\drache\\ani4.pff",
    "mods\\drache\\ani_back.pff", "mods\\drache\\ani_right.pff", "mods\\drache\\ani_left.pff",
};

// Where the dragon starts when the level has no castle: above the middle of
// the world.
const float kWorldCentre = 1024.0f;

// Worn items are drawn through the standard vertex program.
void setStandardProgram(TEngine* engine, TMesh* mesh) {
    TMaterial* material = mesh->getGroupMaterial(0);
    if (material) material->vertexProgramSlot = engine->loadVertexProgram(TString(kStandardProgram));
}

// The item table's records become item instances (the table lists them
// from the file's last record to its first), each with its own model; then
// the gold sack the dragon wears while it carries gold.
void setUpItems(TGame& game) {
    game.itemCount = 0;
    const int fd = _open("itemdata\\items.itm", _O_RDONLY | _O_BINARY);
    TItemList* table = TItemList::load(fd);
    if (fd >= 0) _close(fd);
    const int count = table ? table->getCount() : 0;
    for (int i = 0; i < count && i < TGame::kItemSlots; ++i) {
        const TItem* record = table->get(i);
        TMesh* mesh = new TMesh(record->getText(), game.vertexBuffer, game.indexBuffer, game.engine, false);
        setStandardProgram(game.engine, mesh);
        game.items[i] = new TItemInstance(mesh, *record, nullptr);
        game.itemCount = i + 1;
    }
    delete table;

    TMesh* sackMesh =
        new TMesh(TString("mods\\gold\\equippedmesh.PFF"), game.vertexBuffer, game.indexBuffer, game.engine, false);
    setStandardProgram(game.engine, sackMesh);
    game.goldSack = new TItemInstance(sackMesh, TItem("", "", 0.0f, 1.0f, 0.0f, TDrache::kGoldSackSlot), nullptr);
}

}  // namespace

void TGame::loadLevel() {
    loadingScreen = TLoadingScreen::getInstance(engine, properties);

    ki = TKI::getInstance(this, properties);
    if (ki->loadLevel("Levels\\Level_1.wpf") < 0) logOut() << "Fehler beim Lesen von wpf Datei.\n";
    ki->routingTable->dump(logOut());
    if (!ki->allocateArrays(TKI::kArrayCapacity)) {
        logOut() << "Speicherallokierung fehlgeschlagen.\n";
        logFlush();
    }

    aiTimer = 0;
    grid = new TGrid(TVector(0.0f, 0.0f, -512.0f), TVector(2048.0f, 2048.0f, 640.0f), nullptr);
    loadingStep(0.01f);

    setUpCameras();
    particles = new TParticleManager(engine);
    loadingStep(0.01f);

    // The sky and the normalisation cube maps belong to the engine's texture
    // list, which every material finds them in by name.
    new TCubeMap(TString("skyboxtex"), TString("bluesky_bk.tga"), TString("bluesky_ft.tga"),
                 TString("bluesky_rt.tga"), TString("bluesky_lf.tga"), TString("bluesky_up.tga"),
                 TString("bluesky_up.tga"), engine);
    new TNormCubeMap(TString("normC"), engine);
    water = new TWasser(TVector(0.0f, 0.707f, 0.707f), this, &followCamera, 500, engine);

    setUpMaterials();
    loadingStep(0.01f);

    vertexBuffer = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 10485760, GL_STATIC_DRAW_ARB);
    indexBuffer = engine->createBufferObject(GL_ELEMENT_ARRAY_BUFFER_ARB, 5242880, GL_STATIC_DRAW_ARB);

    setUpItems(*this);

    towerKind = new TDefenseTowerMod(vertexBuffer, indexBuffer, this);
    castleKind = new TBurgMod(vertexBuffer, indexBuffer, this, properties);
    treeKind = new TTreeMod(vertexBuffer, indexBuffer, engine);
    treeKind->drawAsOneBatch();
    goldMesh = new TMesh(TString("mods\\gold\\mesh.pff"), vertexBuffer, indexBuffer, engine, false);
    arrowMesh = new TMesh(TString("mods\\zwerg\\pfeil.pff"), vertexBuffer, indexBuffer, engine, false);
    loadingStep(0.01f);
    houseKind = new TZwergenhausMod(this, vertexBuffer, indexBuffer);
    dwarfKind = new TZwergMod(this, vertexBuffer, indexBuffer);
    loadingStep(0.01f);

    setUpGround();
    loadingStep(0.1f);

    setUpDragon();
    skyMaterial = makeMaterial("skyboxmat", "skyboxtex", nullptr);
    balloonKind = new TBallonMod(this, vertexBuffer, indexBuffer);
    castleKind->balloonKind = balloonKind;

    std::memset(keyState, 0, sizeof(keyState));
    loadingStep(0.23f);

    sound = TSound::getInstance();
    logOut() << "\nSound (END)\n\n";
    const TVector at = dragon->drawPosition();
    ki->listener[0] = at.x;
    ki->listener[1] = at.y;
    ki->listener[2] = at.z;
    ki->loadSounds(dragon);
    if (loadingScreen) loadingScreen->setProgress(1.0f);

    // The current music plays at MUSIC_VOLUME (0 when absent) from here on.
    TSound::setPieceVolume(sound->currentMusic(), properties ? properties->getInt("MUSIC_VOLUME") : 0);
}

// Raises the loading bar by size (up to 1.0) and draws one engine frame.
void TGame::loadingStep(float size) {
    if (loadingScreen) loadingScreen->advance(size);
}

// The target camera stays where it was made and looks at the dragon; the
// follow camera sits behind the dragon.
void TGame::setUpCameras() {
    targetCamera.up = TVector(0.0f, 0.0f, 1.0f);
    targetCamera.updateView();
    targetCamera.updateFrustum();
    targetCamera.projectionB = 5.0 - static_cast<int>(targetCamera.projectionA - targetCamera.projectionB);
    targetCamera.projectionA = 5.0;
    targetCamera.updateProjection();
    targetCamera.updateFrustum();
    targetCamera.lightPosition = engine->lightPosition;

    followCamera.projectionB = 500.0 - static_cast<int>(followCamera.projectionA - followCamera.projectionB);
    followCamera.projectionA = 500.0;
    followCamera.updateProjection();
    followCamera.updateFrustum();
    followCamera.lightPosition = engine->lightPosition;
    followCamera.setDirection(TVector(0.0f, 0.0f, -1.0f));
}

TMaterial* TGame::makeMaterial(const char* name, const char* texture, const char* vertexProgram) {
    const TColor black(0.0f, 0.0f, 0.0f, 1.0f);
    const TTextureLayer layer(TString(texture), 1.0f, 1.0f, 1, 0);
    const TMaterialData data(TString(name), black, black, black, 2.0f, 0, &layer);
    TMaterial* material = engine->addMaterial(data);
    if (material && vertexProgram) material->vertexProgramSlot = engine->loadVertexProgram(TString(vertexProgram));
    return material;
}

void TGame::setUpMaterials() {
    new TTexture3D(TString("fireball"), 4, engine);
    fireMaterial = makeMaterial("feuer", "fireball", kParticleProgram);
    new TTexture3D(TString("fires"), 16, engine);
    fireParticleMaterial = makeMaterial("feuerpartikel", "fires", kParticleProgram);
    bloodParticleMaterial = makeMaterial("blutpartikel", "bloodparticle.tga", kParticleProgram);
    bloodBurst = new TBurstEmitter(this, bloodParticleMaterial);
    fireBurst = new TParticleBurst(this, fireParticleMaterial);
    magicParticleMaterial = makeMaterial("magiepartikel", "magicparticle.tga", kParticleProgram);
    minimapMaterial = makeMaterial("minimapmat", "minimap.tga", nullptr);
}

void TGame::setUpDragon() {
    dragonMesh = new TSkinnedMesh(TString("mods\\drache\\mesh.pff"), vertexBuffer, indexBuffer, engine, true);
    for (int track = 0; track < 6; ++track) {
        const int loaded = dragonMesh->loadAnimation(TString(kDragonAnimations[track]));
        if (loaded != track) {
            logOut() << "Dragon animation '" << kDragonAnimations[track] << "' went to track " << loaded
                     << " instead of " << track << "\n";
            logFlush();
        }
    }

    dragon = new TDrache(dragonMesh, this);
    targetCamera.target = dragon;
    targetCamera.lookAtTarget();
    dragon->startAnimation(TDrache::TRACK_CRUISE, -1000);

    TVector start;
    if (castlePosition(start)) {
        start.z -= 30.0f;
    } else {
        const TVector centre(kWorldCentre, kWorldCentre, 0.0f);
        const float groundZ = ground ? ground->getHeight(centre) : 0.0f;
        start = TVector(kWorldCentre, kWorldCentre, groundZ - 30.0f);
    }
    dragon->setPosition(start);
}
