#pragma once
// Puts the engine's seams back after a test changed them.
#include <gtest/gtest.h>

#include "framework/CTREngine.h"

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = CTREngine::Instance();
        savedDpi = engine->m_dpi;
        savedTransparentBlt = engine->m_pTransparentBlt;
        savedGradientFill = engine->m_pGradientFill;
        savedLayered = engine->m_pSetLayeredWindowAttributes;
    }
    void TearDown() override
    {
        engine->m_dpi = savedDpi;
        engine->SetBoundFunctions(savedTransparentBlt, savedGradientFill, savedLayered);
        engine->SetSysColorSource(nullptr);
        engine->m_themeApi.SetModule(LoadLibraryW(L"UxTheme.dll"), true);
        engine->m_colorsSet = false;
        engine->BuildPalette();
    }

    CTREngine* engine = nullptr;
    ScreenDpi savedDpi;
    CTREngine::TransparentBltFn savedTransparentBlt = nullptr;
    CTREngine::GradientFillFn savedGradientFill = nullptr;
    CTREngine::SetLayeredWindowAttributesFn savedLayered = nullptr;
};
