// The slot order of the interfaces that cross the host/plug-in boundary.
//
// Plug-ins are built separately and call the host's objects through their tables of virtual
// operations, so moving one declaration breaks every plug-in without a compile error. Under
// the Itanium C++ ABI a pointer to a virtual member function holds 1 + its byte offset in the
// table, which gives each operation's slot. A virtual destructor takes two slots there.
#include "igfx_context.h"
#include "imodel.h"
#include "irender_target.h"

#include <gtest/gtest.h>

#include "slot_of.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

TEST(SlotOrder, GraphicsContext) {
    // The destructor is operation 0 and fills table slots 0 and 1, so operation n sits in n + 1.
    using C = igfxContext;
    const long expected[] = {
        slotOf(&C::init),
        slotOf(&C::setClearColor),
        slotOf(&C::setClearDepth),
        slotOf(&C::setClearStencil),
        slotOf(&C::clear),
        slotOf(&C::viewport),
        slotOf(&C::setViewport),
        slotOf(&C::drawTriangles),
        slotOf(&C::drawIndexedTrianglesUV2),
        slotOf(&C::drawIndexedTrianglesUV),
        slotOf(&C::drawIndexedTriangles),
        slotOf(&C::drawPoints3),
        slotOf(&C::drawPoints),
        slotOf(&C::drawLines),
        slotOf(&C::drawQuad),
        slotOf(&C::drawFullscreenQuad),
        slotOf(&C::drawFullscreenQuadUV),
        slotOf(&C::drawBox),
        slotOf(&C::renderState),
        slotOf(&C::applyRenderState),
        slotOf(&C::pushRenderState),
        slotOf(&C::popRenderState),
        slotOf(&C::loadShaderDefines),
        slotOf(&C::loadShaderGeometry),
        slotOf(&C::loadShader),
        slotOf(&C::hasShader),
        slotOf(&C::useShader),
        slotOf(&C::setTexture),
        slotOf(&C::setMatrix),
        slotOf(&C::setVector),
        slotOf(&C::loadModel),
        slotOf(&C::model),
        slotOf(&C::loadTexture),
        slotOf(&C::createTexture1D),
        slotOf(&C::createTexture2D),
        slotOf(&C::createTexture3D),
        slotOf(&C::updateTexture),
        slotOf(&C::acquireRenderTarget),
        slotOf(&C::acquireScreenRenderTarget),
        slotOf(&C::createRenderTarget),
        slotOf(&C::releaseRenderTarget),
        slotOf(&C::depthTexture),
    };
    ASSERT_EQ(sizeof expected / sizeof expected[0], 42u);
    for (long op = 1; op <= 42; ++op) EXPECT_EQ(expected[op - 1], op + 1) << "operation " << op;
}

// offsetof on a class with virtual functions is exactly what is being pinned here.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

TEST(SlotOrder, GraphicsContextDataLeadsWithFrameCounterAndViewport) {
    // Plug-ins read these members directly, right behind the table pointer.
    struct Probe : igfxContext {
        static size_t frameOffset() { return offsetof(Probe, frameCounter); }
        static size_t viewportOffset() { return offsetof(Probe, viewportRect); }
    };
    EXPECT_EQ(Probe::frameOffset(), sizeof(void*));
    EXPECT_EQ(Probe::viewportOffset(), sizeof(void*) + 4);
}

TEST(SlotOrder, RenderTarget) {
    using R = iRenderTarget;
    EXPECT_EQ(slotOf(&R::initWithTexture), 0);
    EXPECT_EQ(slotOf(&R::initWithSize), 1);
    EXPECT_EQ(slotOf(&R::bind), 2);
    EXPECT_EQ(slotOf(&R::unbind), 3);
    EXPECT_EQ(slotOf(&R::texture), 4); // the destructor follows in slots 5 and 6
}

TEST(SlotOrder, Model) {
    // No virtual destructor: the seven operations are the whole table.
    using M = iModel;
    EXPECT_EQ(slotOf(&M::draw), 0);
    EXPECT_EQ(slotOf(&M::draw_groups), 1);
    EXPECT_EQ(slotOf(&M::group_count), 2);
    EXPECT_EQ(slotOf(&M::get_bounds), 3);
    EXPECT_EQ(slotOf(&M::draw_group), 4);
    EXPECT_EQ(slotOf(&M::bind), 5);
    EXPECT_EQ(slotOf(&M::unbind), 6);
    EXPECT_FALSE(std::has_virtual_destructor<M>::value);
}

TEST(SlotOrder, RenderTargetHandleIsATargetPointerFirst) {
    // Passes take the destination as iRenderTarget**, and a handle's address must serve.
    RenderTargetHandle handle;
    EXPECT_EQ(static_cast<void*>(&handle), static_cast<void*>(&handle.target));
    EXPECT_EQ(sizeof(RenderTargetHandle), 2 * sizeof(void*));
}
