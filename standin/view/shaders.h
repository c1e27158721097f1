#pragma once
// The view's GLSL 3.30 programs.

namespace zep::view::shaders {

// The Earth: day picture lit by the Sun, night lights on the dark side, a thin
// atmosphere at the rim. The lights' brightness rides in the day picture's
// alpha: one texture read a pixel, which a software renderer feels.
// A coarse mesh just enclosing the sphere is drawn, and each pixel finds
// where its ray meets the sphere: an exact outline and surface from a few
// hundred triangles, where a faceted globe needs thousands to look round.
// Everything is in the globe's own axes (globe.h). Lines kept apart from the
// Earth (lineslayer.h) are laid over it here.
inline constexpr const char *kGlobeVertex = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec2 aUv;
uniform mat4 uMvp;
uniform float uEnclose;
out vec3 vPos;
out vec2 vUv;
void main() {
    vPos = aPos * uEnclose;
    vUv = aUv;
    gl_Position = uMvp * vec4(vPos, 1.0);
}
)";

inline constexpr const char *kGlobeFragment = R"(#version 330 core
in vec3 vPos;
in vec2 vUv;
uniform sampler2D uDay;
uniform bool uHasNight;
uniform vec3 uSun;
uniform vec3 uEye;
uniform sampler2D uLines;  // premultiplied, a texel to a pixel
uniform bool uLaid;
out vec4 fragColor;
const float kPi = 3.14159265;
void main() {
    vec3 d = vPos - uEye;
    float a = dot(d, d), b = dot(uEye, d), h = b * b - a * (dot(uEye, uEye) - 1.0);
    if (h < 0.0)
        discard;
    vec3 n = uEye + d * ((-b - sqrt(h)) / a);
    vec2 uv = vec2(atan(n.y, n.x) * (0.5 / kPi) + 0.5, 0.5 - asin(clamp(n.z, -1.0, 1.0)) / kPi);
    // The mesh's own coordinates have no seam inside a triangle: the picture's
    // level of detail comes from them.
    vec4 texel = textureGrad(uDay, uv, dFdx(vUv), dFdy(vUv));
    float sun = dot(n, uSun);
    float lit = smoothstep(-0.08, 0.20, sun);
    vec3 color = texel.rgb * (0.16 + max(sun, 0.0)) * mix(0.6, 1.0, lit);
    if (uHasNight)
        color += vec3(1.0, 0.86, 0.62) * texel.a * (1.0 - lit) * 0.85;  // sodium-warm city light
    else
        color += texel.rgb * 0.25 * (1.0 - lit);
    // A thin blue rim: the atmosphere seen edge-on, brighter on the day side.
    float edge = 1.0 - max(dot(n, normalize(uEye - n)), 0.0);
    color += vec3(0.30, 0.55, 1.0) * (edge * edge * edge) * (0.15 + 0.6 * lit);
    if (uLaid) {
        vec4 lines = texelFetch(uLines, ivec2(gl_FragCoord.xy), 0);
        // Over the colour the frame would have held: bright ice goes past 1.
        color = lines.rgb + min(color, vec3(1.0)) * (1.0 - lines.a);
    }
    fragColor = vec4(color, 1.0);
}
)";

// What the Earth hides is worked out, not left to the depth buffer: a frame
// that starts from the kept picture of the Earth then needs no depth of it.
// Put in place of the line "BEHIND_EARTH" of the programs below.
inline constexpr const char *kBehindEarth = R"(
// Whether the Earth (radius 1 at the origin) lies between the eye and p.
bool behindEarth(vec3 eye, vec3 p) {
    vec3 d = p - eye;
    float t = clamp(-dot(eye, d) / max(dot(d, d), 1e-12), 0.0, 1.0);
    vec3 c = eye + t * d;
    return dot(c, c) < 0.9999;
}
)";

// Points and single colours: the stars (at infinity, by brightness) and the
// satellite's round marker with a dark rim, gone whole behind the Earth.
inline constexpr const char *kFlatVertex = R"(#version 330 core
BEHIND_EARTH
layout(location = 0) in vec3 aPos;
layout(location = 1) in float aBright;
layout(location = 2) in vec4 aColor;
uniform mat4 uMvp;
uniform vec3 uEye;
uniform float uPointSize;
uniform bool uAtInfinity;
out float vBright;
out vec4 vColor;
void main() {
    gl_Position = uMvp * vec4(aPos, 1.0);
    if (uAtInfinity)
        gl_Position.z = gl_Position.w * 0.99999;
    else if (behindEarth(uEye, aPos))
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
    gl_PointSize = uPointSize;
    vBright = aBright;
    vColor = aColor;
}
)";

inline constexpr const char *kFlatFragment = R"(#version 330 core
in float vBright;
in vec4 vColor;
uniform vec4 uColor;
uniform bool uUseBright;
uniform bool uVertexColor;
uniform bool uRound;
out vec4 fragColor;
void main() {
    fragColor = uUseBright ? vec4(uColor.rgb * vBright, 1.0) : uVertexColor ? vColor : uColor;
    if (uRound) {
        vec2 c = gl_PointCoord * 2.0 - 1.0;
        float r2 = dot(c, c);
        if (r2 > 1.0)
            discard;
        // A dark ring keeps a white marker visible on clouds and ice.
        if (r2 > 0.62)
            fragColor = vec4(0.05, 0.05, 0.08, 1.0);
    }
}
)";

// Lines as screen-space quads with soft edges: smooth without multisampling
// and as wide as asked, which core OpenGL does not promise for plain lines.
inline constexpr const char *kLineVertex = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 2) in vec4 aColor;
uniform mat4 uMvp;
out vec4 vColor;
out vec3 vWorld;
void main() {
    gl_Position = uMvp * vec4(aPos, 1.0);
    vColor = aColor;
    vWorld = aPos;
}
)";

inline constexpr const char *kLineGeometry = R"(#version 330 core
layout(lines) in;
layout(triangle_strip, max_vertices = 4) out;
in vec4 vColor[];
in vec3 vWorld[];
uniform vec2 uViewport;
uniform float uWidth;
noperspective out float gDist;
flat out vec4 gColor;
out vec3 gWorld;
void main() {
    vec4 p0 = gl_in[0].gl_Position;
    vec4 p1 = gl_in[1].gl_Position;
    vec3 w0 = vWorld[0], w1 = vWorld[1];
    // Cut the part behind the camera off before dividing by w.
    const float nearW = 1e-4;
    if (p0.w < nearW && p1.w < nearW)
        return;
    if (p0.w < nearW) {
        float f = (nearW - p0.w) / (p1.w - p0.w);
        p0 = mix(p0, p1, f);
        w0 = mix(w0, w1, f);
    } else if (p1.w < nearW) {
        float f = (nearW - p1.w) / (p0.w - p1.w);
        p1 = mix(p1, p0, f);
        w1 = mix(w1, w0, f);
    }
    vec2 s0 = p0.xy / p0.w * uViewport * 0.5;
    vec2 s1 = p1.xy / p1.w * uViewport * 0.5;
    vec2 d = s1 - s0;
    float len = length(d);
    vec2 dir = len > 1e-6 ? d / len : vec2(1.0, 0.0);
    vec2 n = vec2(-dir.y, dir.x);
    float hw = 0.5 * uWidth + 1.0;
    vec2 offN = n * hw / (uViewport * 0.5);
    // No caps: the segments of a translucent strip must not overlap.
    // A segment's ends have their draw's colour.
    gl_Position = vec4(p0.xy + offN * p0.w, p0.zw); gDist = hw;  gColor = vColor[0]; gWorld = w0; EmitVertex();
    gl_Position = vec4(p0.xy - offN * p0.w, p0.zw); gDist = -hw; gColor = vColor[0]; gWorld = w0; EmitVertex();
    gl_Position = vec4(p1.xy + offN * p1.w, p1.zw); gDist = hw;  gColor = vColor[0]; gWorld = w1; EmitVertex();
    gl_Position = vec4(p1.xy - offN * p1.w, p1.zw); gDist = -hw; gColor = vColor[0]; gWorld = w1; EmitVertex();
    EndPrimitive();
}
)";

inline constexpr const char *kLineFragment = R"(#version 330 core
BEHIND_EARTH
noperspective in float gDist;
flat in vec4 gColor;
in vec3 gWorld;
uniform float uWidth;
uniform vec3 uEye;
out vec4 fragColor;
void main() {
    float coverage = clamp(0.5 * uWidth + 0.5 - abs(gDist), 0.0, 1.0);
    if (coverage <= 0.0 || behindEarth(uEye, gWorld))
        discard;
    fragColor = vec4(gColor.rgb, gColor.a * coverage);
}
)";

// The overlay's picture, premultiplied, a texel to a pixel.
inline constexpr const char *kPictureVertex = R"(#version 330 core
layout(location = 0) in vec2 aPos;
layout(location = 1) in vec2 aUv;
out vec2 vUv;
void main() {
    vUv = aUv;
    gl_Position = vec4(aPos, 0.0, 1.0);
}
)";

inline constexpr const char *kPictureFragment = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uPicture;
out vec4 fragColor;
void main() {
    fragColor = texture(uPicture, vUv);
}
)";

} // namespace zep::view::shaders
