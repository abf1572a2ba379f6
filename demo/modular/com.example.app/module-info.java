/** The main module of the modular sample; its jar names com.example.app.Main as ModuleMainClass. */
module com.example.app {
    requires com.example.greeting;
}
