#version 330 core
// Opaque cube faces in their flat face colour.

flat in vec3 faceColour;

layout(location = 0) out vec4 fragColour;

void main() {
    fragColour = vec4(faceColour, 1.0);
}
