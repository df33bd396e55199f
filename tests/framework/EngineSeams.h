#pragma once
// Puts the engine's seams back after a test changed them.
#include <gtest/gtest.h>

#include "framework/CTREngine.h"

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = CTREngine::Instance();
    savedDpi = engine->dpi;
    savedTransparentBlt = engine->pTransparentBlt;
    savedGradientFill = engine->pGradientFill;
    savedLayered = engine->pSetLayeredWindowAttributes;
  }
  void TearDown() override {
    engine->dpi = savedDpi;
    engine->SetBoundFunctions(savedTransparentBlt, savedGradientFill, savedLayered);
    engine->SetSysColorSource(nullptr);
    engine->themeApi.SetModule(LoadLibraryW(L"UxTheme.dll"), true);
    engine->colorsSet = false;
    engine->BuildPalette();
  }

  CTREngine* engine = nullptr;
  ScreenDpi savedDpi;
  CTREngine::TransparentBltFn savedTransparentBlt = nullptr;
  CTREngine::GradientFillFn savedGradientFill = nullptr;
  CTREngine::SetLayeredWindowAttributesFn savedLayered = nullptr;
};
