	mixed_ambient = GlobalAmbient * MaterialAmbient;
