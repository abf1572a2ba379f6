/** The library module of the modular sample: it exports one package. */
module com.example.greeting {
    exports com.example.greeting;
}
