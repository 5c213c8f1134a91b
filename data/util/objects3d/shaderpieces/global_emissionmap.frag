uniform sampler2D EmissionMap;
