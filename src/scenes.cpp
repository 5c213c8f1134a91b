#include "scenes.h"

SceneManager::SceneManager() = default;
SceneManager::~SceneManager() = default;
void SceneManager::start() {}
void SceneManager::run() {}
void SceneManager::resize(int, int) {}

void SceneManager::onKeyDown(std::uint8_t) {}
void SceneManager::onKeyUp(std::uint8_t) {}
void SceneManager::onF12() {}
void SceneManager::onMouseMove(int, int) {}
void SceneManager::onMouseButton(int, int) {}
void SceneManager::onMouseWheel(int) {}
void SceneManager::setFullscreen(bool) {}
bool SceneManager::isMouseGrabbed() { return false; }
