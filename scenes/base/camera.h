// camera.h - the scenes' look-at camera with a perspective projection.
//
// A scene keeps one Camera in its plug-in's static storage, sets eye, target, up and the
// projection each frame, and reads the matrices to build "mvp" uniforms as
// product(model, viewProjection()). Each matrix is worked out when first asked for and kept
// until something it depends on changes, so asking again in the same frame is free. The
// returned pointers stay valid for the camera's lifetime; the values they show change after
// a setter and the next request.
//
// Matrices follow matrix.h: the view is the transpose of mat_lookat(eye, target, up), the
// projection is mat_perspective(fov, aspect, near, far), and the view-projection is
// product(view, projection).
#pragma once

class Camera {
  public:
    // Eye at the origin looking down -Z with Y up, 60 degrees, 16:9, near 1, far 1000: a
    // camera that gives finite matrices before the scene has set it.
    Camera();

    // Each clears all three cached matrices.
    void setLookAt(const float eye[3], const float target[3], const float up[3]);
    void setEye(const float eye[3]);
    void setTarget(const float target[3]);
    void setUp(const float up[3]);

    // Each clears the projection and the view-projection; the view stays valid.
    void setPerspective(float fovDeg, float aspect, float zNear, float zFar);
    void setAspect(float aspect);

    const float* view();
    const float* projection();
    const float* viewProjection();

    // Four floats each; the math reads the first three.
    const float* eye() const { return eye_; }
    const float* target() const { return target_; }
    const float* up() const { return up_; }
    float fov() const { return fov_; } // vertical, degrees
    float aspect() const { return aspect_; }
    float zNear() const { return near_; }
    float zFar() const { return far_; }

    bool viewValid() const { return viewValid_; }
    bool projectionValid() const { return projectionValid_; }
    bool viewProjectionValid() const { return viewProjectionValid_; }

  private:
    void invalidateAll();
    void invalidateProjection();

    float view_[16];
    float projection_[16];
    float viewProjection_[16];
    float eye_[4];
    float target_[4];
    float up_[4];
    float fov_;
    float aspect_;
    float near_;
    float far_;
    bool viewValid_;
    bool projectionValid_;
    bool viewProjectionValid_;
};
