	mixed_emission = MaterialEmission;
