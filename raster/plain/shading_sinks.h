#pragma once

#include "raster/plain/fragment_observer.h"

// Where a lighting computation puts the values it forms on the way to a
// colour. One function, written once against either sink, lights the
// picture and explains it: for the picture nothing is kept (every call of
// DiscardTerms compiles away), for an observer everything is.

struct DiscardTerms {
    void surface(const Vec3&, const Vec3&, const Vec3&, const Color&) {}
    void light(const LightTerms&) {}
    void colour(const Color&) {}
};

struct RecordTerms {
    ShadingTerms& terms;

    void surface(const Vec3& normal, const Vec3& position, const Vec3& eyeDirection,
                 const Color& ambient) {
        terms.normal = normal;
        terms.position = position;
        terms.eyeDirection = eyeDirection;
        terms.ambient = ambient;
        terms.lights.clear();
    }
    void light(const LightTerms& light) { terms.lights.push_back(light); }
    void colour(const Color& colour) { terms.color = colour; }
};
