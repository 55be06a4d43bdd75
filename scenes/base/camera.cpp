// camera.cpp - see camera.h.
#include "camera.h"

#include "matrix.h"

#include <cstring>

static void setVec(float out[4], const float in[3]) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
    out[3] = 0.0f;
}

Camera::Camera() {
    std::memset(view_, 0, sizeof view_);
    std::memset(projection_, 0, sizeof projection_);
    std::memset(viewProjection_, 0, sizeof viewProjection_);
    const float eye[3] = {0, 0, 0}, target[3] = {0, 0, -1}, up[3] = {0, 1, 0};
    setLookAt(eye, target, up);
    setPerspective(60.0f, 16.0f / 9.0f, 1.0f, 1000.0f);
}

void Camera::invalidateAll() {
    viewValid_ = false;
    invalidateProjection();
}

// The view-projection depends on the projection, so it goes with it.
void Camera::invalidateProjection() {
    projectionValid_ = false;
    viewProjectionValid_ = false;
}

void Camera::setLookAt(const float eye[3], const float target[3], const float up[3]) {
    setVec(eye_, eye);
    setVec(target_, target);
    setVec(up_, up);
    invalidateAll();
}

void Camera::setEye(const float eye[3]) {
    setVec(eye_, eye);
    invalidateAll();
}

void Camera::setTarget(const float target[3]) {
    setVec(target_, target);
    invalidateAll();
}

void Camera::setUp(const float up[3]) {
    setVec(up_, up);
    invalidateAll();
}

void Camera::setPerspective(float fovDeg, float aspect, float zNear, float zFar) {
    fov_ = fovDeg;
    aspect_ = aspect;
    near_ = zNear;
    far_ = zFar;
    invalidateProjection();
}

void Camera::setAspect(float aspect) {
    aspect_ = aspect;
    invalidateProjection();
}

const float* Camera::view() {
    if (!viewValid_) {
        mat_lookat(view_, eye_, target_, up_);
        mat_transpose(view_, view_);
        viewValid_ = true;
    }
    return view_;
}

const float* Camera::projection() {
    if (!projectionValid_) {
        mat_perspective(projection_, fov_, aspect_, near_, far_);
        projectionValid_ = true;
    }
    return projection_;
}

const float* Camera::viewProjection() {
    if (!viewProjectionValid_) {
        mat_product(viewProjection_, view(), projection());
        viewProjectionValid_ = true;
    }
    return viewProjection_;
}
